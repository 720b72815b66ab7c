object frmMain: TfrmMain
  Left = 192
  Top = 114
  Width = 420
  Height = 300
  Caption = 'Shop'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 13
  object lblWelcome: TTntLabel
    Left = 8
    Top = 8
    Width = 150
    Height = 13
    Caption = 'Welcome '#8211' Shop'
  end
  object lblDelivery: TLabel
    Left = 8
    Top = 40
    Width = 70
    Height = 13
    Caption = 'Delivery date:'
  end
  object dtpDelivery: TDateTimePicker
    Left = 96
    Top = 36
    Width = 120
    Height = 21
    Date = 37622.5d
    Time = 37622.5d
    TabOrder = 0
  end
  inline fraAddress1: TfraAddress
    Left = 8
    Top = 72
    Width = 320
    Height = 120
    TabOrder = 1
    inherited lblStreet: TLabel
      Caption = 'Delivery street:'
    end
  end
  object btnOrder: TButton
    Left = 8
    Top = 200
    Width = 75
    Height = 25
    Caption = '&Order'
    TabOrder = 2
    OnClick = btnOrderClick
  end
end
