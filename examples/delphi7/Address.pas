unit Address;

interface

uses
  Classes, Controls, Forms, StdCtrls;

type
  TfraAddress = class(TFrame)
    lblStreet: TLabel;
    lblCity: TLabel;
    edtStreet: TEdit;
    edtCity: TEdit;
  end;

implementation

{$R *.dfm}

end.
