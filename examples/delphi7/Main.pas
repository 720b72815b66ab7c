unit Main;

interface

uses
  Windows, SysUtils, Classes, Controls, Forms, StdCtrls, ComCtrls, TntStdCtrls, Address;

type
  TfrmMain = class(TForm)
    lblWelcome: TTntLabel;
    lblDelivery: TLabel;
    dtpDelivery: TDateTimePicker;
    fraAddress1: TfraAddress;
    btnOrder: TButton;
    procedure btnOrderClick(Sender: TObject);
  end;

var
  frmMain: TfrmMain;

implementation

{$R *.dfm}

resourcestring
  SOrderPlaced = 'Your order for %s was placed.';
  SNoItems = 'The basket is empty.';

procedure TfrmMain.btnOrderClick(Sender: TObject);
begin
  ShowMessage(Format(SOrderPlaced, [DateToStr(dtpDelivery.Date)]));
end;

end.
